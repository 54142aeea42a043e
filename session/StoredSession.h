#pragma once

#include "session/Session.h"

#include <string>
#include <string_view>

namespace vellicor {

// A session in the small form the page keeps in the browser's storage: where the stream stands,
// the race on screen, and each race by its place, its rolled numbers and the texts typed over
// what its profile describes (its notes), never by its texts:
//
//   {"version":1,"position":0,"stream":{"seed":S,"dice":K,"number":N},
//    "races":[{"number":1,"seed":S,"dice":0,"location":0,"lightyears":0,
//              "profile":[...],"notes":{"3":"..."}}]}
//
// A race whose place in its stream is not known keeps "dice": -1.
std::string storedSession(const Session &session);

// Replaces `session` with a stored one, the traces of its races rolled again. False, with the
// session as it was, when `stored` is not such a session or holds no usable race.
bool restoreStoredSession(Session &session, std::string_view stored);

} // namespace vellicor
