#include "service/TransferFailure.h"

bool MayPassLater(CURLcode result, long httpStatus) {
    switch (result) {
        case CURLE_OK:
            return httpStatus == 429 || (httpStatus >= 500 && httpStatus <= 599);
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
            return true;
        default:
            return false;
    }
}
