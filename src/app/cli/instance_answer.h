#pragma once

#include "app/bus/application_bus_client.h"

#include <ostream>
#include <variant>

namespace tintwell::app {

/// The running instance's answer; null, with one line on `err` saying why, when no instance runs or
/// it did not answer.
template <typename Answer>
const Answer* instanceAnswer(const std::variant<Answer, NotRunning, NoAnswer>& reply, std::ostream& err) {
    if (std::holds_alternative<NotRunning>(reply))
        err << "Tintwell is not running.\n";
    else if (const auto* silent = std::get_if<NoAnswer>(&reply))
        err << "tintwell: the running instance did not answer: " << silent->message.toStdString() << '\n';
    return std::get_if<Answer>(&reply);
}
/// The answer must outlive the pointer.
template <typename Answer>
const Answer* instanceAnswer(const std::variant<Answer, NotRunning, NoAnswer>&& reply,
                             std::ostream& err) = delete;

} // namespace tintwell::app
