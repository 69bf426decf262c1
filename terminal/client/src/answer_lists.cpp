#include "answer_lists.h"

namespace client {

bool SplitAnswerInto(const backend::RequestRecord& record, int firstField, int fieldCount, backend::CxDataSet& list,
                     std::string_view failure, std::string& message) {
  list.FreeBlock();
  if (backend::SplitReplyRows(0, record, firstField, fieldCount, list)) return true;
  list.FreeBlock();
  message = failure;
  return false;
}

}  // namespace client
