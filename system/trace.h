#pragma once
// The diagnostic trace channel. Its lines are kept in the code for whoever debugs the
// installer, but the product's sink writes nothing; tests may pass a recording sink instead.
#include "config/log_sink.h"

ILogSink& NullTrace();
