#include "app/app_state.h"

namespace lumetra {

AppState& app() {
  static AppState state;
  return state;
}

}  // namespace lumetra
