// Writes the seed corpora below the folder given as the only argument:
// factory and edited chunks, files as the products save them, and host
// scripts that reach every kind of step. Run it again when a record layout
// or the script format changes, and commit what it writes.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "dispatcher_script.h"
#include "fuzz_support.h"
#include "platform/scripted/message_box.h"

namespace sorvane::fuzz {
namespace {

namespace fs = std::filesystem;

fs::path outputRoot;

void write(const char* target, const std::string& name, const void* data, size_t size) {
  const fs::path folder = outputRoot / target;
  fs::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}
void write(const char* target, const std::string& name, const Bytes& bytes) {
  write(target, name, bytes.data(), bytes.size());
}

Bytes readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Every program of both sides edited, names up to the field's end, some
// programs left on side B.
template <class Effect>
void editEveryProgram(Effect& effect) {
  for (int p = 0; p < kProgramCount; ++p) {
    effect.setProgram(p);
    for (int s = 0; s < 2; ++s) {
      for (int i = 0; i < Effect::kParameterCount; ++i)
        effect.setParameter(i, static_cast<float>((p * 37 + s * 11 + i * 5) % 97) / 96.0f);
      char name[] = "Edited program 00 side 0 and more";
      name[15] = static_cast<char>('0' + p / 10);
      name[16] = static_cast<char>('0' + p % 10);
      name[23] = static_cast<char>('A' + s);
      effect.setProgramName(name);
      effect.toggleActiveSide();
    }
    if (p % 3 == 1) effect.toggleActiveSide();
  }
  effect.setProgram(0);
}

template <class Traits>
void writeSeeds() {
  using Effect = typename Traits::Effect;
  const std::string prefix = Traits::kName;
  const PresetProduct& product = Traits::product();

  auto effect = std::make_unique<Effect>(&versionOnlyHost);
  void* data = nullptr;
  VstInt32 size = effect->getChunk(&data, false);
  write("bank_chunk", prefix + "-factory", data, size);
  size = effect->getChunk(&data, true);
  write("program_chunk", prefix + "-factory-program-0", data, size);

  // An LV2 host's answers: the bank as stored, under another type, nothing, cut short.
  size = effect->getChunk(&data, false);
  const auto* factoryBank = static_cast<const uint8_t*>(data);
  for (const uint8_t how : {0, 1, 2}) {
    Bytes state{how};
    state.insert(state.end(), factoryBank, factoryBank + size);
    write("lv2_state", prefix + "-factory-" + std::to_string(how), state);
  }
  write("lv2_state", prefix + "-cut", Bytes(factoryBank, factoryBank + size / 2));
  // A session's state: the bank, then the current program (one that exists, one that does not).
  for (const uint8_t program : {5, 12}) {
    Bytes state{0};
    state.insert(state.end(), factoryBank, factoryBank + size);
    state.insert(state.end(), {'S', 'v', 'P', 'g', program, 0, 0, 0});
    write("lv2_state", prefix + "-program-" + std::to_string(program), state);
  }

  editEveryProgram(*effect);
  size = effect->getChunk(&data, false);
  write("bank_chunk", prefix + "-edited", data, size);
  {
    Bytes state{0};
    state.insert(state.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    write("lv2_state", prefix + "-edited", state);
  }
  effect->setProgram(7);
  size = effect->getChunk(&data, true);
  write("program_chunk", prefix + "-edited-program-7", data, size);

  // Files as the product writes them, in both byte orders.
  const std::string& folder = scratchPresetFolder(product);
  platform::ScriptedMessageBox messages;
  PresetFiles<Effect> files(*effect, product, folder.c_str(), messages);
  for (const bool swap : {false, true}) {
    EndianSwap::swapBytes = swap;
    const std::string suffix = swap ? "-swapped" : "";
    const fs::path preset = fs::path(folder) / ("Seed." + std::string(product.presetExtension));
    const fs::path bank = fs::path(folder) / ("Seed." + std::string(product.bankExtension));
    files.savePreset(preset.string().c_str());
    files.saveBank(bank.string().c_str());
    write("preset_file", prefix + suffix, readAll(preset));
    write("bank_file", prefix + suffix, readAll(bank));
  }
  EndianSwap::swapBytes = false;
  // A header without the record behind it.
  Bytes header = readAll(fs::path(folder) / ("Seed." + std::string(product.presetExtension)));
  header.resize(8);
  write("preset_file", prefix + "-header-only", header);
}

void writeScripts() {
  using script::Writer;
  for (const bool pallido : {false, true}) {
    const std::string prefix = pallido ? "Pallido" : "Tessaro";
    const int parameters = pallido ? 17 : 12;

    Writer session(pallido);  // what a host does on loading a plug-in and playing
    session.dispatch(effOpen).dispatch(effSetSampleRate, 0, 0, 96000.0f).dispatch(effSetBlockSize, 0, 512);
    session.dispatch(effMainsChanged, 0, 1);
    for (int i = 0; i < parameters; ++i) session.setParameter(i, static_cast<float>(i) / parameters);
    session.process(false, 255).process(true, 255, 1).process(false, 255, 0, 255, 9).process(false, 255);
    for (int i = 0; i < parameters; ++i) session.getParameter(i);
    session.dispatch(effGetChunk).dispatch(effGetChunk, 1).restoreChunk(2).restoreChunk(3, {{2, 5}});
    session.dispatch(effSetProgram, 0, 5).dispatchText(effSetProgramName, "A name much longer than allowed");
    for (VstInt32 opcode : {effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName})
      session.dispatch(static_cast<uint8_t>(opcode), 3);
    session.dispatch(effGetProgramNameIndexed, 11).dispatch(effGetEffectName).dispatch(effGetVendorString);
    session.dispatch(effGetProductString).dispatch(effGetSpeakerArrangement).dispatch(effEditGetRect);
    session.dispatchText(effCanDo, "receiveVstEvents").dispatch(effMainsChanged, 0, 0);
    write("dispatcher", prefix + "-session", session.bytes);

    Writer ab(pallido);  // the editor's A/B buttons between blocks
    ab.setParameter(parameters - 1, 1.0f).ab(0).setParameter(1, 0.3f).process(false, 64).ab(1).ab(0).ab(2);
    ab.process(true, 200, 2).dispatch(effSetProgram, 0, 11).ab(0).restoreChunk(1, {{4, 7}}).process(false, 32);
    write("dispatcher", prefix + "-ab", ab.bytes);

    Writer hostile(pallido);  // values no sane host sends
    hostile.setParameter(-1, 0.5f).setParameter(parameters, 0.5f).setParameter(2, 1e30f).setParameter(3, -1.0f);
    hostile.dispatch(effSetProgram, 0, -1).dispatch(effSetProgram, 0, 12).dispatch(effSetChunk, 0, -5);
    hostile.restoreChunk(4).restoreChunk(0, {{6, 2}}).dispatch(effGetParamDisplay, -3);
    hostile.dispatch(effSetSampleRate, 0, 0, 0.0f).dispatch(effMainsChanged, 0, 1).process(false, 100);
    write("dispatcher", prefix + "-hostile", hostile.bytes);
  }
}

}  // namespace
}  // namespace sorvane::fuzz

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s corpus-folder\n", argv[0]);
    return 2;
  }
  sorvane::fuzz::outputRoot = argv[1];
  sorvane::fuzz::writeSeeds<sorvane::fuzz::TessaroTraits>();
  sorvane::fuzz::writeSeeds<sorvane::fuzz::PallidoTraits>();
  sorvane::fuzz::writeScripts();
  return 0;
}
