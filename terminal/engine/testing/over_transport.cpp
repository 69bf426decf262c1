#include "engine/testing/over_transport.h"

#include "backend/request_queue.h"
#include "backend/sequence_number.h"
#include "backend/transport.h"

namespace engine_testing {

engine::EngineCallbacks TransportCallbacks() {
  engine::EngineCallbacks callbacks;
  callbacks.sendSync = backend::ExecuteRequest;
  callbacks.sendAsync = backend::PostRequest;
  callbacks.nextSequenceNo = backend::GetNextSequenceNo;
  return callbacks;
}

void DrainIntoEngine(engine::COperationEngine& engine) {
  while (const backend::RequestPtr record = backend::TheResultQueue().TakeNext()) {
    if (record->IsPush()) {
      engine.OnPushData(*record);
    } else {
      engine.OnAsyncAnswer(*record);
    }
  }
  engine.OnPushBatchDone();
}

}  // namespace engine_testing
