#include "controller/manual_dial.h"

#include "controller/controller.h"

namespace kestrum {

void ManualDial::begin()
{
    engine_was_running_ = controller_.engine_timer().isActive();
    controller_.engine_timer().stop();
}

bool ManualDial::call(const QString& typed)
{
    if (typed.isEmpty())
        return false;
    controller_.state().tlf_numb = typed;
    controller_.engine_timer().start();
    return true;
}

void ManualDial::cancel()
{
    controller_.state().tlf_numb.clear();
    if (engine_was_running_)
        controller_.engine_timer().start();
}

}  // namespace kestrum
