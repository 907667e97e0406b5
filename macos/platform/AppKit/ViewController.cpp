#include "ViewController.h"

namespace AppKit {

const std::shared_ptr<View>& ViewController::view() {
    if (!m_view) {
        loadView();
        viewDidLoad();
    }
    return m_view;
}

} // namespace AppKit
