#include "app/kest_helper_app.h"

namespace kest {

CKestHelperApp& TheApp() {
  static CKestHelperApp app;
  return app;
}

}  // namespace kest
