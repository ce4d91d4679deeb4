// Preset and bank files: formats, round trips, refusals and their messages.
#include <algorithm>
#include <limits>

#include "platform/documents.h"
#include "preset_fixture.h"

namespace sorvane::testing {
namespace {

const std::string kBrokenPreset = "Error! Cannot load the preset, the file is either incompatible or broken.";
const std::string kBrokenBank = "Error! Cannot load the preset bank, the file is either incompatible or broken.";

std::string newerMessage(const char* what, const char* product) {
  return std::string("This ") + what + " is saved using the newer version of " + product +
         ". \nPlease visit https://www.sorvane.com to get the updated version of " + product + ".";
}
const char* productName(const PresetProduct& product) {
  return &product == &tessaro::kPresetProduct ? "Tessaro" : "Pallido";
}

template <class Case>
class PresetFiles_ : public PresetFixture<Case> {
 protected:
  Bytes storeBytes() { return bytesOf(this->store()); }
  std::vector<float> parameters() {
    std::vector<float> values(this->kParameterCount);
    for (int i = 0; i < this->kParameterCount; ++i) values[i] = this->effect->getParameter(i);
    return values;
  }
  Bytes validPreset() {
    this->setDistinctValues(0.125f);
    EXPECT_TRUE(this->files->savePreset(this->path("Valid.x").c_str()));
    return readFile(this->path("Valid.x"));
  }
  Bytes validBank() {
    EXPECT_TRUE(this->files->saveBank(this->path("Valid.b").c_str()));
    return readFile(this->path("Valid.b"));
  }
  // A load that is refused must leave the whole store as it was.
  void expectRefused(bool bank, const std::string& file, const std::string& message, const char* what) {
    const Bytes before = storeBytes();
    const std::vector<float> values = parameters();
    this->messages.shown.clear();
    const bool loaded = bank ? this->files->loadBank(file.c_str()) : this->files->loadPreset(file.c_str());
    EXPECT_FALSE(loaded) << what;
    EXPECT_EQ(before, storeBytes()) << what;
    EXPECT_EQ(values, parameters()) << what;
    if (message.empty()) {
      EXPECT_TRUE(this->messages.shown.empty()) << what;
      return;
    }
    ASSERT_EQ(1u, this->messages.shown.size()) << what;
    const auto& shown = this->messages.shown[0];
    EXPECT_EQ(message, shown.text) << what;
    EXPECT_EQ("", shown.caption) << what;
    EXPECT_EQ(platform::MessageButtons::Ok, shown.buttons) << what;
    EXPECT_EQ(&this->listener.ownerToken, shown.ownerWindow) << what;
  }
};
TYPED_TEST_SUITE(PresetFiles_, ProductCases);

TYPED_TEST(PresetFiles_, APresetFileIsTheRecordOfTheCurrentParameters) {
  auto& effect = *this->effect;
  effect.setProgram(4);
  effect.setParameter(1, 1e-40f);                             // subnormal
  effect.setParameter(2, -0.0f);                              // negative zero
  effect.setParameter(this->kParameterCount - 1, 0.676667f);  // not a short fraction
  const std::string path = this->path("My.Long.Name.tsqp");
  ASSERT_TRUE(this->files->savePreset(path.c_str()));

  const Bytes file = readFile(path);
  ASSERT_EQ(TypeParam::kRecordSize, file.size());
  EXPECT_EQ(0, std::memcmp(file.data(), TypeParam::product().presetMagic, 6));
  EXPECT_EQ(1, file[6]);
  EXPECT_EQ(0, file[7]);
  EXPECT_EQ(std::string("My.Long.Name") + std::string(16, '\0'), std::string(file.begin() + 8, file.begin() + 36));
  for (int i = 0; i < this->kParameterCount; ++i) {
    float stored;
    std::memcpy(&stored, file.data() + 36 + 4 * i, 4);
    EXPECT_EQ(bitsOf(effect.getParameter(i)), bitsOf(stored)) << i;
  }
  EXPECT_TRUE(std::all_of(file.begin() + 36 + 4 * this->kParameterCount, file.end(), [](auto b) { return b == 0; }));
  // The store learns the name and the file name, nothing else.
  EXPECT_STREQ("My.Long.Name", this->liveRecord().name);
  EXPECT_STREQ("My.Long.Name.tsqp", this->store().program[4].fileName[0]);
  EXPECT_EQ(std::vector<std::string>{path}, this->listener.saves);
  EXPECT_FALSE(fs::exists(path + ".saving"));

  // A fresh instance reads back exactly the same floats.
  typename TypeParam::Effect other(nullptr);
  auto otherFiles = this->makeFiles(other);
  ASSERT_TRUE(otherFiles->loadPreset(path.c_str()));
  for (int i = 0; i < this->kParameterCount; ++i)
    EXPECT_EQ(bitsOf(effect.getParameter(i)), bitsOf(other.getParameter(i)));
  char name[32];
  other.getProgramName(name);
  EXPECT_STREQ("My.Long.Name", name);
  EXPECT_EQ(std::vector<bool>{true}, this->listener.presetLoads);
}

TYPED_TEST(PresetFiles_, SavedNamesComeFromTheLastComponentBeforeTheLastDot) {
  fs::create_directories(this->folder.presets / "Vocals");
  const std::string sep(1, platform::kPathSeparator);
  const std::string longName = std::string(30, 'L') + ".x";
  ASSERT_TRUE(this->files->savePreset(this->path("Vocals" + sep + longName).c_str()));
  EXPECT_EQ(std::string(24, 'L'), this->liveRecord().name);
  EXPECT_EQ("Vocals" + sep + longName, this->store().program[0].fileName[0]);

  // Without a dot, and without any separator (a bare name in the working folder).
  ASSERT_TRUE(this->files->savePreset(this->path("NoDot").c_str()));
  EXPECT_STREQ("NoDot", this->liveRecord().name);
  const fs::path previous = fs::current_path();
  fs::current_path(this->folder.root);
  const bool saved = this->files->savePreset("Bare.preset");
  fs::current_path(previous);
  ASSERT_TRUE(saved);
  EXPECT_STREQ("Bare", this->liveRecord().name);
  EXPECT_STREQ("Bare.preset", this->store().program[0].fileName[0]);  // outside the folder: kept whole
}

TYPED_TEST(PresetFiles_, LoadingAPresetChangesOnlyTheCurrentSide) {
  auto& effect = *this->effect;
  const Bytes file = this->validPreset();
  effect.setProgram(6);
  effect.toggleActiveSide();
  Bytes expected = this->storeBytes();
  ASSERT_TRUE(this->files->loadPreset(this->path("Valid.x").c_str()));

  auto& image = *reinterpret_cast<typename TestFixture::Bank*>(expected.data());
  auto& sideB = image.program[6].side[1];
  std::strcpy(sideB.name, "Valid");  // through setProgramName: bytes behind the terminator stay
  std::memcpy(sideB.values, file.data() + 36, 4 * this->kParameterCount);
  std::memset(image.program[6].fileName[1], 0, platform::kPathCapacity);
  std::strcpy(image.program[6].fileName[1], "Valid.x");
  EXPECT_EQ(expected, this->storeBytes());
  EXPECT_TRUE(this->messages.shown.empty());
}

TYPED_TEST(PresetFiles_, RefusesBrokenAndForeignPresetFiles) {
  const Bytes valid = this->validPreset();
  const std::string file = this->path("Test.x");
  const std::string product = productName(TypeParam::product());

  writeFile(file, {});
  this->expectRefused(false, file, kBrokenPreset, "empty");
  for (size_t length : {size_t{6}, size_t{8}, TypeParam::kRecordSize - 1}) {
    writeFile(file, Bytes(valid.begin(), valid.begin() + length));
    this->expectRefused(false, file, kBrokenPreset, "truncated");
  }
  Bytes bytes = valid;
  bytes[0] = 'X';
  writeFile(file, bytes);
  this->expectRefused(false, file, kBrokenPreset, "wrong magic");
  bytes = valid;
  std::memcpy(bytes.data(), TypeParam::kOtherPresetMagic, 5);
  writeFile(file, bytes);
  this->expectRefused(false, file, kBrokenPreset, "other product's magic");
  bytes = valid;
  bytes[6] = 2;
  writeFile(file, bytes);
  this->expectRefused(false, file, newerMessage("preset", product.c_str()), "version 2");

  // Nothing to open: no message and no follow-up.
  this->listener.presetLoads.clear();
  this->expectRefused(false, this->path("Missing.x"), "", "missing");
  this->expectRefused(false, this->folder.presets.string(), "", "a folder");
  this->expectRefused(false, "", "", "empty path");
  fs::path deep = this->folder.root;
  while (deep.string().size() < 300) deep /= std::string(40, 'd');
  fs::create_directories(deep);
  writeFile(deep / "Long.x", valid);
  this->expectRefused(false, (deep / "Long.x").string(), "", "path over 260 characters");
  EXPECT_TRUE(this->listener.presetLoads.empty());
}

TYPED_TEST(PresetFiles_, AcceptsTheSwappedVersionFormAndLongerFiles) {
  Bytes bytes = this->validPreset();
  const std::vector<float> saved = this->parameters();
  this->effect->setProgram(1);
  bytes[6] = 0;
  bytes[7] = 1;
  bytes.push_back(0x55);
  writeFile(this->path("Swapped.x"), bytes);
  ASSERT_TRUE(this->files->loadPreset(this->path("Swapped.x").c_str()));
  EXPECT_EQ(saved, this->parameters());  // the flag, not the version form, decides the order
}

TYPED_TEST(PresetFiles_, TheSwapFlagReversesValuesAndTheVersion) {
  this->setDistinctValues(0.5f);
  const std::vector<float> values = this->parameters();
  EndianSwap::swapBytes = true;
  ASSERT_TRUE(this->files->savePreset(this->path("Swap.x").c_str()));
  const Bytes file = readFile(this->path("Swap.x"));
  EXPECT_EQ(0, file[6]);
  EXPECT_EQ(1, file[7]);
  const uint32_t first = bitsOf(values[1]);
  EXPECT_EQ(first >> 24, file[36 + 4]);
  this->effect->setProgram(2);
  ASSERT_TRUE(this->files->loadPreset(this->path("Swap.x").c_str()));
  EXPECT_EQ(values, this->parameters());
  EXPECT_FALSE(this->files->isPresetModified());
  // An editor being built clears the flag.
  EndianSwap editorBase;
  EXPECT_FALSE(EndianSwap::swapBytes);
}

TYPED_TEST(PresetFiles_, NonFiniteValuesFromAFileAreKeptAndTheOutputStaysFinite) {
  Bytes bytes = this->validPreset();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (int i = 0; i < this->kParameterCount; ++i) std::memcpy(bytes.data() + 36 + 4 * i, i % 2 ? &nan : &inf, 4);
  writeFile(this->path("Wild.x"), bytes);
  ASSERT_TRUE(this->files->loadPreset(this->path("Wild.x").c_str()));
  EXPECT_TRUE(std::isnan(this->effect->getParameter(1)));
  EXPECT_TRUE(std::isinf(this->liveRecord().values[0]));
  EXPECT_TRUE(outputIsFinite(*this->effect));
}

TYPED_TEST(PresetFiles_, SavingWhereNothingCanBeWrittenChangesNothing) {
  const Bytes before = this->storeBytes();
  EXPECT_FALSE(this->files->savePreset(this->path("No Such Folder/x.tsqp").c_str()));
  EXPECT_FALSE(this->files->savePreset(this->folder.presets.string().c_str()));
  EXPECT_FALSE(this->files->saveBank(this->path("No Such Folder/x.tsqb").c_str()));
  EXPECT_FALSE(this->files->saveBank(this->folder.presets.string().c_str()));
  EXPECT_FALSE(this->files->savePreset(std::string(300, 'p').c_str()));
  EXPECT_EQ(before, this->storeBytes());
  EXPECT_TRUE(fs::is_directory(this->folder.presets));
  EXPECT_TRUE(this->messages.shown.empty());
  EXPECT_TRUE(this->listener.saves.empty());
}

TYPED_TEST(PresetFiles_, SavingReplacesAnExistingFileWhole) {
  const std::string file = this->path("Over.x");
  writeFile(file, Bytes(5000, 0xAB));
  ASSERT_TRUE(this->files->savePreset(file.c_str()));
  EXPECT_EQ(TypeParam::kRecordSize, readFile(file).size());
  ASSERT_TRUE(this->files->saveBank(file.c_str()));
  EXPECT_EQ(TypeParam::kBankSize, readFile(file).size());
  EXPECT_FALSE(fs::exists(file + ".saving"));
}

TYPED_TEST(PresetFiles_, AFailedSaveLeavesTheOldFileByteForByte) {
  // A folder where the save would put its temporary file: the new content
  // cannot be made safe, so nothing may touch the old file.
  const std::string file = this->path("Kept.x");
  Bytes old(300);
  for (size_t i = 0; i < old.size(); ++i) old[i] = static_cast<unsigned char>(i * 7);
  writeFile(file, old);
  fs::create_directories(file + ".saving");
  const Bytes before = this->storeBytes();
  EXPECT_FALSE(this->files->savePreset(file.c_str()));
  EXPECT_FALSE(this->files->saveBank(file.c_str()));
  EXPECT_EQ(old, readFile(file));
  EXPECT_EQ(before, this->storeBytes());
  EXPECT_TRUE(this->listener.saves.empty());
  EXPECT_TRUE(fs::is_directory(file + ".saving"));

  // Without the obstacle the same save replaces the file whole.
  fs::remove(file + ".saving");
  ASSERT_TRUE(this->files->savePreset(file.c_str()));
  EXPECT_EQ(TypeParam::kRecordSize, readFile(file).size());
}

TYPED_TEST(PresetFiles_, ABankRoundTripsEveryProgramOfTheCurrentSide) {
  auto& effect = *this->effect;
  for (int p = 0; p < kProgramCount; ++p) {
    effect.setProgram(p);
    this->setDistinctValues(p / 16.0f);
    char name[] = "Bank program x";
    name[13] = static_cast<char>('a' + p);
    effect.setProgramName(name);
  }
  effect.setProgram(3);
  const Bytes file = this->validBank();
  ASSERT_EQ(TypeParam::kBankSize, file.size());
  EXPECT_EQ(0, std::memcmp(file.data(), TypeParam::product().bankMagic, 6));
  EXPECT_EQ(1, file[6]);

  typename TypeParam::Effect other(nullptr);
  other.setProgram(3);
  auto otherFiles = this->makeFiles(other);
  ASSERT_TRUE(otherFiles->loadBank(this->path("Valid.b").c_str()));
  for (int p = 0; p < kProgramCount; ++p) {
    const auto& mine = this->store().program[p].side[0];
    const auto& theirs = other.programStore().program[p].side[0];
    EXPECT_STREQ(mine.name, theirs.name);
    EXPECT_EQ(0, std::memcmp(mine.values, theirs.values, 4 * this->kParameterCount)) << p;
  }
  for (int i = 0; i < this->kParameterCount; ++i) EXPECT_EQ(effect.getParameter(i), other.getParameter(i));
  EXPECT_EQ(3, other.getProgram());
  EXPECT_EQ(std::vector<bool>{true}, this->listener.bankLoads);
}

TYPED_TEST(PresetFiles_, LoadingABankOnSideBChangesOnlyTheBSides) {
  const Bytes file = this->validBank();  // written from side A of the factory bank, after edits
  const auto& written = *reinterpret_cast<const typename TestFixture::Bank*>(file.data());

  typename TypeParam::Effect other(nullptr);
  other.setProgram(8);
  other.toggleActiveSide();
  for (int i = 0; i < this->kParameterCount; ++i) other.setParameter(i, 0.75f);
  const auto before = other.programStore();
  auto otherFiles = this->makeFiles(other);
  ASSERT_TRUE(otherFiles->loadBank(this->path("Valid.b").c_str()));

  const auto& after = other.programStore();
  for (int p = 0; p < kProgramCount; ++p) {
    SCOPED_TRACE(p);
    EXPECT_EQ(bytesOf(before.program[p].side[0]), bytesOf(after.program[p].side[0]));
    EXPECT_EQ(0,
              std::memcmp(before.program[p].fileName, after.program[p].fileName, sizeof(before.program[p].fileName)));
    EXPECT_EQ(before.program[p].activeSide, after.program[p].activeSide);
    EXPECT_STREQ(written.program[p].side[0].name, after.program[p].side[1].name);
    EXPECT_EQ(
        0, std::memcmp(written.program[p].side[0].values, after.program[p].side[1].values, 4 * this->kParameterCount));
  }
  for (int i = 0; i < this->kParameterCount; ++i) EXPECT_EQ(after.program[8].side[1].values[i], other.getParameter(i));
}

TYPED_TEST(PresetFiles_, ABankThatCarriesOnlyOneSideFillsEitherSide) {
  // Banks written by earlier versions fill only the side current when saving.
  Bytes file = this->validBank();
  auto& image = *reinterpret_cast<typename TestFixture::Bank*>(file.data());
  for (auto& slot : image.program) std::memset(&slot.side[1], 0, sizeof(slot.side[1]));
  writeFile(this->path("OneSide.b"), file);
  this->effect->toggleActiveSide();
  ASSERT_TRUE(this->files->loadBank(this->path("OneSide.b").c_str()));
  for (int p = 0; p < kProgramCount; ++p)
    EXPECT_EQ(bytesOf(this->store().program[p].side[0]), bytesOf(this->store().program[p].side[1])) << p;
}

TYPED_TEST(PresetFiles_, RefusesBrokenAndForeignBankFiles) {
  const Bytes valid = this->validBank();
  const std::string file = this->path("Test.b");
  this->effect->setProgram(2);
  this->setDistinctValues(0.3f);

  writeFile(file, {});
  this->expectRefused(true, file, kBrokenBank, "empty");
  for (size_t length : {size_t{8}, TypeParam::kBankSize - 1}) {
    writeFile(file, Bytes(valid.begin(), valid.begin() + length));
    this->expectRefused(true, file, kBrokenBank, "truncated");
  }
  Bytes bytes = valid;
  std::memcpy(bytes.data(), TypeParam::kOtherBankMagic, 5);
  writeFile(file, bytes);
  this->expectRefused(true, file, kBrokenBank, "other product's magic");
  bytes = valid;
  bytes[6] = 2;
  writeFile(file, bytes);
  this->expectRefused(true, file, newerMessage("preset bank", productName(TypeParam::product())), "version 2");
  writeFile(file, this->validPreset());
  this->expectRefused(true, file, kBrokenBank, "a preset file");
  this->listener.bankLoads.clear();
  this->expectRefused(true, this->path("Missing.b"), "", "missing");
  this->expectRefused(true, this->folder.presets.string(), "", "a folder");
  EXPECT_TRUE(this->listener.bankLoads.empty());

  bytes = valid;
  bytes[6] = 0;
  bytes[7] = 1;
  writeFile(file, bytes);
  EXPECT_TRUE(this->files->loadBank(file.c_str()));
}

TYPED_TEST(PresetFiles_, ThePresetIsModifiedWhenAValueDiffersFromItsFile) {
  fs::create_directories(this->folder.presets / "Sub");
  const std::string sep(1, platform::kPathSeparator);
  ASSERT_TRUE(this->files->savePreset(this->path("Sub" + sep + "Mine.x").c_str()));
  EXPECT_FALSE(this->files->isPresetModified());
  EXPECT_EQ(this->path("Sub" + sep + "Mine.x"), this->listener.existenceChecks.back());
  this->effect->setParameter(3, 0.01f);
  EXPECT_TRUE(this->files->isPresetModified());

  // A name stored with the other platform's separator still finds the file.
  std::strcpy(this->store().program[0].fileName[0], platform::kPathSeparator == '/' ? "Sub\\Mine.x" : "Sub/Mine.x");
  EXPECT_TRUE(this->files->isPresetModified());
  std::strcpy(this->store().program[0].fileName[0], "Gone.x");
  EXPECT_FALSE(this->files->isPresetModified());
  writeFile(this->path("Gone.x"), {'P'});
  EXPECT_FALSE(this->files->isPresetModified());
  EXPECT_TRUE(this->messages.shown.empty());
}

TEST(PresetRelativeName, IsThePathBehindTheProductsFolder) {
  const PresetProduct& product = tessaro::kPresetProduct;
  char out[platform::kPathCapacity];
  presetRelativeName(product, "C:\\Users\\a\\Documents\\Sorvane\\Presets\\Tessaro\\Vocals\\Lead.tsqp", out,
                     sizeof(out));
  EXPECT_STREQ("Vocals\\Lead.tsqp", out);
  presetRelativeName(product, "/home/a/Documents/Sorvane/Presets/Tessaro/Lead.tsqp", out, sizeof(out));
  EXPECT_STREQ("Lead.tsqp", out);
  presetRelativeName(product, "/home/a/Sorvane/Presets/Tessaro", out, sizeof(out));
  EXPECT_STREQ("", out);
  presetRelativeName(product, "/home/a/sorvane/presets/tessaro/Lead.tsqp", out, sizeof(out));
  EXPECT_STREQ("/home/a/sorvane/presets/tessaro/Lead.tsqp", out);  // case counts: kept whole
  presetRelativeName(pallido::kPresetProduct, "/d/Sorvane/Presets/Tessaro/x.pldp", out, sizeof(out));
  EXPECT_STREQ("/d/Sorvane/Presets/Tessaro/x.pldp", out);
  // Only the whole folder name counts: a neighbour with a longer name is outside.
  presetRelativeName(product, "/d/Sorvane/Presets/Tessaro Backup/x.tsqp", out, sizeof(out));
  EXPECT_STREQ("/d/Sorvane/Presets/Tessaro Backup/x.tsqp", out);
  presetRelativeName(product, "/d/MySorvane/Presets/Tessaro/x.tsqp", out, sizeof(out));
  EXPECT_STREQ("/d/MySorvane/Presets/Tessaro/x.tsqp", out);
  const std::string longPath = "/d/Sorvane/Presets/Tessaro/" + std::string(400, 'n');
  presetRelativeName(product, longPath.c_str(), out, sizeof(out));
  EXPECT_EQ(std::string(platform::kPathCapacity - 1, 'n'), out);
}

}  // namespace
}  // namespace sorvane::testing
