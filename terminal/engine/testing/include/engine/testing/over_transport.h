// The engine over the terminal's transport, as the program runs it: the
// send callbacks, and the GUI thread's drain of the result queue.
#pragma once

#include "engine/operation_engine.h"

namespace engine_testing {

// Requests executed and posted through the transport, numbered as the
// terminal numbers its own.
engine::EngineCallbacks TransportCallbacks();

// One drain of the result queue as the GUI thread's timer runs it with the
// engine alone: the engine sees every push and answer, then closes the drain.
void DrainIntoEngine(engine::COperationEngine& engine);

}  // namespace engine_testing
