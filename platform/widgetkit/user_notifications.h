#pragma once
// User notifications, as the platform delivers them for an extension: the widget hands the host a
// request; the host shows it in the desktop's way (the desk as a GNotification) or, when it has
// no way to, drops it. The widget decides what and when; the host only delivers.

#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace widgetkit {

// What to show. A request with the identifier of one still on screen replaces it.
struct NotificationRequest {
    std::string identifier;  // non-empty; stable for one subject ("low-space")
    std::string title;
    std::string body;
};

// The process's notification centre. Thread-safe: providers add requests from request threads.
class UserNotificationCenter {
public:
    using Delivery = std::function<void(NotificationRequest)>;

    static UserNotificationCenter& current();

    // Hands `request` to the delivery in force, on the calling thread; without one (a command-line
    // host, a test) the request is dropped.
    void add(NotificationRequest request);

    // Installs how requests are delivered (the host, once, before it starts requests); an empty
    // function stops delivery. A delivery must be callable from any thread.
    void setDelivery(Delivery delivery);

private:
    std::mutex mutex_;
    std::shared_ptr<const Delivery> delivery_;
};

}  // namespace widgetkit
