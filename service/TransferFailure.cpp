#include "service/TransferFailure.h"

bool MayPassLater(CURLcode result, long httpStatus) {
    switch (result) {
        case CURLE_OK:
            return httpStatus == 429 || (httpStatus >= 500 && httpStatus <= 599);
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_ABORTED_BY_CALLBACK:  // the service fell silent
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
            return true;
        default:
            return false;
    }
}

std::string FailureReason(CURLcode result, long httpStatus) {
    switch (result) {
        case CURLE_OK:
            return "服务器返回HTTP " + std::to_string(httpStatus);
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return "找不到服务器的主机名";
        case CURLE_COULDNT_CONNECT:
            return "连接被拒绝";
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_ABORTED_BY_CALLBACK:
            return "服务器没有回答";
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
            return "连接中断";
        case CURLE_URL_MALFORMAT:
        case CURLE_UNSUPPORTED_PROTOCOL:
            return "服务地址无效";
        default:
            return std::string("网络错误：") + curl_easy_strerror(result);
    }
}
