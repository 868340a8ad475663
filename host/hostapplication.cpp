#include "hostapplication.h"

namespace host {

HostApplication& HostApplication::instance() {
    static HostApplication application;
    return application;
}

} // namespace host
