#include "cancel_parameters.h"

namespace client {

OperationParameters CancelParameters(const backend::AccountKey& signer, std::string_view orderNo,
                                     std::string_view seatCode, std::string_view orderingSeat) {
  OperationParameters parameters(signer);
  for (int k = 5; k <= 11; ++k) parameters.Add("");
  parameters.Add(orderNo).Add("").Add("").Add(seatCode).Add(orderingSeat);
  return parameters;
}

}  // namespace client
