#pragma once
// The dial-up monitor's status texts, one table per language.

#include "dialup/DialUp.h"

namespace velvane {

// The text for a RAS connection state; "" for a state the tables lack.
// Languages other than Czech and Portuguese read the English table.
String StatusTableText(TLanguage language, int state);

} // namespace velvane
