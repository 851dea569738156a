#pragma once
// Answers modal requests from a script and records every request, installing
// itself for its lifetime. With an empty script a box answers as if closed.

#include "platform/forms/ModalService.h"

#include <deque>
#include <vector>

namespace velvane::test {

class ScriptedResponder : public ModalResponder {
public:
    ScriptedResponder() { SetModalResponder(this); }
    ~ScriptedResponder() override { SetModalResponder(nullptr); }

    void Queue(int result) { script_.push_back({result, {}}); }
    ModalAnswer Answer(const ModalRequest& request) override
    {
        requests.push_back(request);
        if (script_.empty()) return {DefaultResult(request.buttons), {}};
        ModalAnswer answer = script_.front();
        script_.pop_front();
        return answer;
    }

    std::vector<ModalRequest> requests;

private:
    std::deque<ModalAnswer> script_;
};

} // namespace velvane::test
