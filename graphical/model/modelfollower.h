// Lets a window that outlives its project follow whichever model is open: it joins the model as
// a view without a window, so the model's end does not close it, and forwards notifications.
#pragma once

#include "framework/model.h"

#include <functional>

class TModelFollower : public TSpecialView {
public:
    explicit TModelFollower(std::function<void(int, NotifyData)> notify)
        : notify_(std::move(notify)) {}
    void UpdateAspekt(int code, NotifyData data) override { notify_(code, data); }

private:
    std::function<void(int, NotifyData)> notify_;
};
