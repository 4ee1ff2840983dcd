#include "engine/model/DuradEngine.h"

namespace orlim {

DuradEngine& duradEngine()
{
    // Destroyed, with its clipboard, when the library is unloaded or the process ends.
    static DuradEngine engine;
    return engine;
}

} // namespace orlim
