// Lets a window that outlives its project follow whichever model is open: it joins the model as
// a view without a window, so the model's end does not close it, and forwards notifications
// and the model's end.
#pragma once

#include "framework/model.h"

#include <functional>

class TModelFollower : public TSpecialView {
public:
    TModelFollower(std::function<void(int, NotifyData)> notify, std::function<void()> destroyed)
        : notify_(std::move(notify)), destroyed_(std::move(destroyed)) {}
    void UpdateAspekt(int code, NotifyData data) override { notify_(code, data); }
    void ModelDestroyed() override { destroyed_(); }

private:
    std::function<void(int, NotifyData)> notify_;
    std::function<void()> destroyed_;
};
