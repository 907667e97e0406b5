// The asynchronous client of the bridge's HTTP API.
//
// Each exchange runs on the client's concurrent queue "kestrelhaven.bridge"
// through `LocalHTTP::send`; its reply is decoded there into the requested
// record and handed back on the main queue, exactly once. Exchanges run in
// parallel, so replies come back in the order they finish. No failure is
// reported as such: a bridge that is down, a time-out or a reply that does not
// decode all arrive as an empty value, with `call` also giving the status
// (0 when the bridge did not answer).
#pragma once

#include "menubar/LocalHTTP.h"

#include <Dispatch/DispatchQueue.h>
#include <JSONCoding/JSONCoding.h>
#include <functional>
#include <optional>
#include <string>

class Bridge {
public:
    Bridge();

    // Any method, an optional JSON object body, the caller's time-out; the reply is decoded
    // whatever its status. A body that cannot be serialised fails the call with status 0.
    template <class Reply>
    void call(std::string path, std::string method, std::optional<JSONCoding::JSON> body,
              double timeout, std::function<void(std::optional<Reply>, int)> done) const {
        m_queue.async([path = std::move(path), method = std::move(method), body = std::move(body),
                       timeout, done = std::move(done)] {
            const auto reply = exchange(path, method, body, timeout);
            std::optional<Reply> value;
            if (reply.body)
                value = JSONCoding::decode<Reply>(*reply.body);
            deliver(
                [done, value = std::move(value), status = reply.status] { done(value, status); });
        });
    }

    // A GET-style request without a body and with a 2-second time-out; the reply is decoded
    // only on status 200.
    template <class Reply>
    void fetch(std::string path, std::string method,
               std::function<void(std::optional<Reply>)> done) const {
        m_queue.async([path = std::move(path), method = std::move(method), done = std::move(done)] {
            const auto reply = exchange(path, method, std::nullopt, fetchTimeout);
            std::optional<Reply> value;
            if (reply.status == 200 && reply.body)
                value = JSONCoding::decode<Reply>(*reply.body);
            deliver([done, value = std::move(value)] { done(value); });
        });
    }

    static constexpr double fetchTimeout = 2.0;

private:
    static LocalHTTP::Reply exchange(const std::string& path, const std::string& method,
                                     const std::optional<JSONCoding::JSON>& body, double timeout);
    static void deliver(std::function<void()> block);

    Dispatch::DispatchQueue m_queue;
};
