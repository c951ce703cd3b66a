#include "backend/http_session_impl.h"

namespace corvane::backend {

template class HttpSession<PlainStream>;

}  // namespace corvane::backend
