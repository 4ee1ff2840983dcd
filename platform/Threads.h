#pragma once
// Thread priorities. Raising one needs a privilege most users lack, so it is only
// ever a request: the thread runs on at normal priority when it is refused.

namespace orlim {

// Asks for a priority above normal for the calling thread (a lower nice value).
// True when it was granted; a refusal is not an error.
bool raiseCurrentThreadPriority();

} // namespace orlim
