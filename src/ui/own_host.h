#pragma once
// A front end that answers its message boxes, delivers its messages and
// makes its pauses itself.
#include "app/setup_app.h"

namespace qi {

class OwnHost : public ISetupHost, protected IMessageBoxes, protected IMessagePump, protected IWaiter {
public:
    IMessageBoxes& Boxes() override { return *this; }
    IMessagePump& Pump() override { return *this; }
    IWaiter& Waiter() override { return *this; }
};

}  // namespace qi
