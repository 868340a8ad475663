#pragma once
// Where the scripts installed with the programs are: an installed prefix keeps them in
// lib/ostrand/ beside bin/, the build tree in lib/ beside bin/. Found relative to the running
// program, so that any prefix works.

#include "host_export.h"

#include <QString>

namespace host {

// The Ostrand script library that came with the running program; empty when it is not there.
HOST_EXPORT QString ostrandScriptLibrary();

} // namespace host
