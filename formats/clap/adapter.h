// The CLAP plug-in of one product: it holds the effect and drives it as a
// VST 2.4 host would (open, sample rate, block size, mains, setParameter,
// processReplacing / processDoubleReplacing, the bank chunk), so the sound
// and the state are the VST build's own. Parameters keep the VST indices
// as ids and show the units model's values (positions, dB, switches), as
// the LV2 ports do.
//
// Threads, as CLAP assigns them: init, destroy, activate, deactivate,
// state, the editor and parameter info on the main thread; process, and
// params.flush while active, on the audio thread, where nothing allocates
// or locks. The editor's gestures cross from the main thread to the output
// events through a lock-free ring.
#pragma once

#include "formats/clap/abi/core.h"
#include "plugin/aeffeditor.h"

namespace sorvane::clap {

// The product's editor, as its VST entry makes it: each CLAP entry file
// specialises this with `static AEffEditor* make(AudioEffect*)`.
template <class Product>
struct EditorOf;

}  // namespace sorvane::clap
