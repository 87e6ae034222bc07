#include "net/http.h"

namespace net {

bool is_certificate_error(unsigned error) {
    switch (error) {
        case 12037:  // date invalid
        case 12038:  // name invalid
        case 12044:  // client certificate needed
        case 12045:  // unknown authority
        case 12055:  // certificate errors
        case 12056:  // no revocation information
        case 12057:  // revocation check failed
        case 12157:  // secure channel error
        case 12169:  // invalid certificate
        case 12170:  // revoked
            return true;
        default:
            return false;
    }
}

}  // namespace net
