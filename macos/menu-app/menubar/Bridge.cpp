#include "menubar/Bridge.h"

Bridge::Bridge() : m_queue(Dispatch::DispatchQueue::concurrent("kestrelhaven.bridge")) {}

LocalHTTP::Reply Bridge::exchange(const std::string& path, const std::string& method,
                                  const std::optional<JSONCoding::JSON>& body, double timeout) {
    std::optional<Foundation::Data> bytes;
    if (body) {
        const auto text = JSONCoding::serialize(*body);
        // Sending it without its body would turn the request into another one.
        if (!text)
            return {};
        bytes = Foundation::dataFrom(*text);
    }
    return LocalHTTP::send(method, path, bytes, timeout);
}

void Bridge::deliver(std::function<void()> block) {
    Dispatch::DispatchQueue::main().async(std::move(block));
}
