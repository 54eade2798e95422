#pragma once

#include <functional>

#include <QObject>

namespace tintwell::ui {

/// Runs a call once on the next pass of the event loop however often it is asked for before then,
/// so that a burst of changes costs one refresh. A request still waiting is dropped with the object.
class CoalescedCall : public QObject {
public:
    explicit CoalescedCall(std::function<void()> call) : call_(std::move(call)) {}

    void request();

private:
    std::function<void()> call_;
    bool queued_ = false;
};

} // namespace tintwell::ui
