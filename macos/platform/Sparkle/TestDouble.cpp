#include "TestDouble.h"

namespace Sparkle {

namespace {

TestDouble* currentDouble = nullptr;

} // namespace

TestDouble::TestDouble() {
    currentDouble = this;
}

TestDouble::~TestDouble() {
    currentDouble = nullptr;
}

TestDouble* TestDouble::current() {
    return currentDouble;
}

} // namespace Sparkle
