// The flat-styled combo box the toolbar controls derive from; it differs only in how it is drawn.
#pragma once

#include "platform/CComboBox.h"

namespace tessel::platform {

class CCJFlatComboBox : public CComboBox {};

}  // namespace tessel::platform
