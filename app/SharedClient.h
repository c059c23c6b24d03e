// SharedClient: the one HttpClient of the process. Start-up creates it before any window exists;
// the exit routine DestroySharedClient destroys it when the program ends. Every HTTP request of
// the program goes through it.
#pragma once

#include "http/HttpClient.h"

namespace kelvaro {

// Constructs SharedClient (COM initialisation for the thread, the request object, the default
// headers). Does nothing while one exists.
void CreateSharedClient();

// The exit routine: destroys SharedClient (the request object is released and the thread's COM
// initialisation ended). Does nothing while none exists.
void DestroySharedClient();

bool SharedClientExists();

// The instance. Only while it exists (between CreateSharedClient and DestroySharedClient).
HttpClient& SharedClient();

}  // namespace kelvaro
