#include "exportprogress.h"

#include <QCoreApplication>

namespace ostrand {

void ApplicationPendingEvents::process() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace ostrand
