// The LV2 plug-in of one product: it holds the effect and drives it as a
// VST 2.4 host would (open, sample rate, mains, setParameter,
// processReplacing, the bank chunk), so the sound and the state are the VST
// build's own. Control ports are read in run(): a port whose value changed
// since the last block and shows another value than the effect's becomes a
// setParameter, as automation would. The state interface saves and restores
// the bank chunk of effGetChunk / effSetChunk, byte for byte, with the
// current program behind it (formats/common/session_state.h).
//
// Threads (the LV2 classes): instantiate, activate, deactivate, restore and
// cleanup on the host's instantiation thread, never during run; run and
// connect_port on the audio thread; save may run alongside run, as a VST
// host's effGetChunk may.
#pragma once

#include <lv2/core/lv2.h>

#include "plugin/aeffeditor.h"

namespace sorvane::lv2 {

// The product's editor, as its VST entry makes it: each LV2 entry file
// specialises this with `static AEffEditor* make(AudioEffect*)`. The effect
// owns its editor from the start, as in the VST build, so the audio
// thread's setParameter never meets an editor coming or going.
template <class Product>
struct EditorOf;

template <class Product>
const LV2_Descriptor* descriptorOf();

}  // namespace sorvane::lv2
