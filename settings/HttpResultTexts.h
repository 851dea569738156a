#pragma once
// Which message-table line tells the user about an HTTP response code, in
// each program's own table. -1: no text for that code (the status keeps the
// text it has).

namespace velvane {

int EditorResultLine(int responseCode);
int AgentResultLine(int responseCode);

} // namespace velvane
