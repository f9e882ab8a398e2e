#include "platform/widgetkit/user_notifications.h"

namespace widgetkit {

UserNotificationCenter& UserNotificationCenter::current() {
    static UserNotificationCenter center;
    return center;
}

void UserNotificationCenter::add(NotificationRequest request) {
    std::shared_ptr<const Delivery> delivery;
    {
        const std::lock_guard lock(mutex_);
        delivery = delivery_;
    }
    // Called outside the lock, so a delivery may itself add or change the delivery.
    if (delivery && *delivery) (*delivery)(std::move(request));
}

void UserNotificationCenter::setDelivery(Delivery delivery) {
    auto next = delivery ? std::make_shared<const Delivery>(std::move(delivery)) : nullptr;
    const std::lock_guard lock(mutex_);
    delivery_ = std::move(next);
}

}  // namespace widgetkit
