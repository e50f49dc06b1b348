#pragma once
// The application object: the process-wide state that pages, engines and the command-line front
// end reach through it. The window program's QApplication and the `kest` command both use the
// one instance that TheApp() returns.

#include "server/login_session.h"

namespace kest {

class CKestHelperApp final {
 public:
  LoginSession session;
};

CKestHelperApp& TheApp();

}  // namespace kest
