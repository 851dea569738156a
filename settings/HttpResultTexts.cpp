#include "settings/HttpResultTexts.h"

namespace velvane {

namespace {

struct ResultLines {
    int code;
    int editor;
    int agent;
};

// The agent has no text for 200: its status keeps "downloading".
constexpr ResultLines kLines[] = {
    {200, 71, -1}, {203, 24, 17}, {204, 25, 18}, {301, 26, 19}, {302, 27, 20}, {305, 28, 21}, {400, 29, 22},
    {401, 30, 23}, {404, 31, 24}, {406, 32, 25}, {407, 33, 26}, {408, 34, 27}, {409, 35, 28}, {414, 36, 29},
    {415, 37, 30}, {500, 38, 31}, {501, 39, 32}, {502, 40, 33}, {503, 41, 34}, {504, 42, 35}, {505, 43, 36},
};

const ResultLines* Find(int code)
{
    for (const ResultLines& l : kLines)
        if (l.code == code) return &l;
    return nullptr;
}

} // namespace

int EditorResultLine(int responseCode)
{
    const ResultLines* l = Find(responseCode);
    return l ? l->editor : -1;
}

int AgentResultLine(int responseCode)
{
    const ResultLines* l = Find(responseCode);
    return l ? l->agent : -1;
}

} // namespace velvane
