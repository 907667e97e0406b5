#include "TestDouble.h"

#include <mutex>
#include <vector>

namespace ServiceManagement {

namespace {

std::mutex lock;
// Innermost last; doubles end in the reverse order of their making.
std::vector<TestDouble::Choices> doubles;

} // namespace

TestDouble::TestDouble(Choices choices) {
    std::lock_guard guard(lock);
    doubles.push_back(std::move(choices));
}

TestDouble::~TestDouble() {
    std::lock_guard guard(lock);
    doubles.pop_back();
}

TestDouble::Choices TestDouble::current() {
    std::lock_guard guard(lock);
    return doubles.empty() ? Choices{} : doubles.back();
}

} // namespace ServiceManagement
