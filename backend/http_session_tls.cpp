#include "backend/http_session_impl.h"

namespace corvane::backend {

template class HttpSession<TlsStream>;

}  // namespace corvane::backend
