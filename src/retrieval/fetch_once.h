#pragma once
// One definition fetched on request, outside the patrol rounds: the page
// check of "lumetra --fetch-once N" and of anything else that needs a single
// fetch to finish before it goes on.
#include "retrieval/http_check.h"

namespace lumetra {

// Fetches definition `index` through `check`'s patrol as bar 0's own
// definition would be fetched ("update now" without forgetting the stored
// date, so an unchanged "Last-Modified" still stops after the header), and
// runs the event loop until the step is over, a page-level redirection
// followed included. Bar 0's model is used for the time and left closed.
StepReport FetchDefinitionOnce(THttpCheck& check, int index);

}  // namespace lumetra
