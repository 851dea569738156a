#pragma once
// Answers modal requests from a script and records every request, installing
// itself for its lifetime. With an empty script a box answers as if closed.

#include "platform/forms/ModalService.h"

#include <deque>
#include <functional>
#include <utility>
#include <vector>

namespace velvane::test {

class ScriptedResponder : public ModalResponder {
public:
    ScriptedResponder() { SetModalResponder(this); }
    ~ScriptedResponder() override { SetModalResponder(nullptr); }

    void Queue(int result) { script_.push_back({result, {}}); }
    // A file dialog's answer: the result and the chosen file.
    void Queue(ModalAnswer answer) { script_.push_back(std::move(answer)); }
    ModalAnswer Answer(const ModalRequest& request) override
    {
        requests.push_back(request);
        if (OnRequest) OnRequest(request);
        if (script_.empty()) return {DefaultResult(request.buttons), {}};
        ModalAnswer answer = script_.front();
        script_.pop_front();
        return answer;
    }

    std::vector<ModalRequest> requests;
    // Sees each request while it is open (a modal form is still alive then).
    std::function<void(const ModalRequest&)> OnRequest;

private:
    std::deque<ModalAnswer> script_;
};

} // namespace velvane::test
