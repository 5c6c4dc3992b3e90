#include "controller/manual_dial.h"

#include "controller/controller.h"

namespace kestrum {

void ManualDial::begin()
{
    engine_was_running_ = controller_.engine_running();
    controller_.stop_engine();
}

bool ManualDial::call(const QString& typed)
{
    if (typed.isEmpty())
        return false;
    controller_.dial(typed);
    return true;
}

void ManualDial::cancel()
{
    controller_.drop_pending_number();
    if (engine_was_running_)
        controller_.start_engine();
}

}  // namespace kestrum
