#include "error_text.h"

#include "middleware/Halvost.h"

namespace halvost {

std::string ErrorText(int code) {
  switch (code) {
    case kHalvostOk: return "成功";
    case kHalvostBadArgument: return "参数错误";
    case kHalvostNotConnected: return "连接未建立";
    case kHalvostConnectFailed: return "连接服务器失败";
    case kHalvostTransport: return "通讯中断";
    case kHalvostTimedOut: return "等待应答超时";
    case kHalvostReplyTooLong: return "应答超过缓冲区长度";
    case kHalvostRequestTooLong: return "请求超过允许长度";
    case kHalvostNotInitialised: return "中间件未初始化";
    case kHalvostPreempted: return "调用被中断";
    case kHalvostServerUnreachable: return "服务器无法连接";
    default: return "未知错误(" + std::to_string(code) + ")";
  }
}

}  // namespace halvost
