#include <gtest/gtest.h>

#include <sstream>

#include "tools/sorvane-host/args.h"
#include "tools/sorvane-host/commands.h"

namespace sorvane::host {
namespace {

TEST(RenderArguments, TakeLibraryOptionalInputAndOutputWithOptionsInAnyPlace) {
  RenderArgs args;
  ASSERT_TRUE(parseRenderArgs({"--block=64", "lib.so", "in.wav", "--program", "Lead Vocal", "out.wav", "--double",
                               "--param", "3=0.25", "--param=High Gain=1", "--rate", "96000"},
                              args)
                  .ok());
  EXPECT_EQ(args.library, "lib.so");
  EXPECT_EQ(args.input, "in.wav");
  EXPECT_EQ(args.output, "out.wav");
  EXPECT_EQ(args.audio.blockSize, 64);
  EXPECT_TRUE(args.audio.useDouble);
  EXPECT_TRUE(args.audio.sampleRateGiven);
  EXPECT_EQ(args.audio.sampleRate, 96000.0);
  EXPECT_EQ(args.state.program, "Lead Vocal");
  ASSERT_EQ(args.state.params.size(), 2u);
  EXPECT_EQ(args.state.params[0].key, "3");
  EXPECT_EQ(args.state.params[0].value, 0.25f);
  EXPECT_EQ(args.state.params[1].key, "High Gain");
  EXPECT_EQ(args.state.params[1].value, 1.0f);

  RenderArgs demo;
  ASSERT_TRUE(parseRenderArgs({"lib.so", "out.wav"}, demo).ok());
  EXPECT_TRUE(demo.input.empty());
  EXPECT_FALSE(demo.audio.sampleRateGiven);
}

TEST(RenderArguments, RejectBadValuesWithAReasonNamingTheOption) {
  struct Case {
    std::vector<std::string> words;
    std::string expected;
  };
  const Case cases[] = {
      {{"lib.so"}, "LIBRARY [IN] OUT"},
      {{"a", "b", "c", "d"}, "LIBRARY [IN] OUT"},
      {{"lib.so", "out.wav", "--block", "0"}, "--block"},
      {{"lib.so", "out.wav", "--block", "12x"}, "--block"},
      {{"lib.so", "out.wav", "--rate", "100"}, "--rate"},
      {{"lib.so", "out.wav", "--param", "Gain=1.5"}, "0 to 1"},
      {{"lib.so", "out.wav", "--param", "Gain=nan"}, "0 to 1"},
      {{"lib.so", "out.wav", "--param", "Gain"}, "INDEX=VALUE"},
      {{"lib.so", "out.wav", "--param", "=0.5"}, "INDEX=VALUE"},
      {{"lib.so", "out.wav", "--program"}, "needs a value"},
      {{"lib.so", "out.wav", "--double=1"}, "no value"},
      {{"lib.so", "out.wav", "--loud"}, "unknown option --loud"},
  };
  for (const auto& c : cases) {
    RenderArgs args;
    const ParseOutcome outcome = parseRenderArgs(c.words, args);
    EXPECT_NE(outcome.error.find(c.expected), std::string::npos)
        << "words ending in '" << c.words.back() << "' gave '" << outcome.error << "'";
  }
}

TEST(ResponseArguments, CollectProgramsAsCurvesAndNeedAnOutput) {
  ResponseArgs args;
  ASSERT_TRUE(parseResponseArgs({"lib.so", "--program", "1", "--program", "Dark", "--png", "p.png", "--csv=c.csv",
                                 "--param", "0=0.5", "--points", "100"},
                                args)
                  .ok());
  EXPECT_EQ(args.programs, (std::vector<std::string>{"1", "Dark"}));
  EXPECT_EQ(args.png, "p.png");
  EXPECT_EQ(args.csv, "c.csv");
  EXPECT_EQ(args.points, 100);
  EXPECT_EQ(args.state.params.size(), 1u);

  ResponseArgs missing;
  EXPECT_NE(parseResponseArgs({"lib.so"}, missing).error.find("--png"), std::string::npos);
  ResponseArgs both;
  EXPECT_NE(parseResponseArgs({"lib.so", "--png", "x", "--all-programs", "--program", "1"}, both).error.find("exclude"),
            std::string::npos);
}

TEST(BenchAndValidateArguments, TakeTheirCountsWithinRange) {
  BenchArgs bench;
  ASSERT_TRUE(parseBenchArgs({"a.so", "b.so", "--seconds", "2.5", "--rounds", "7", "--block", "128"}, bench).ok());
  EXPECT_EQ(bench.libraries, (std::vector<std::string>{"a.so", "b.so"}));
  EXPECT_EQ(bench.seconds, 2.5);
  EXPECT_EQ(bench.rounds, 7);
  EXPECT_EQ(bench.audio.blockSize, 128);
  BenchArgs none;
  EXPECT_FALSE(parseBenchArgs({"--seconds", "1"}, none).ok());

  ValidateArgs validate;
  ASSERT_TRUE(parseValidateArgs({"lib.so", "--strictness", "10", "--seed=42"}, validate).ok());
  EXPECT_EQ(validate.strictness, 10);
  EXPECT_EQ(validate.seed, 42u);
  for (const char* strictness : {"0", "11", "-1", "five"}) {
    ValidateArgs bad;
    EXPECT_FALSE(parseValidateArgs({"lib.so", "--strictness", strictness}, bad).ok()) << strictness;
  }
}

TEST(EditorArguments, KeepTheGesturesInTheOrderGivenBesideTheState) {
  EditorArgs args;
  ASSERT_TRUE(
      parseEditorArgs({"lib.dll", "--click", "10,20", "--png=shot.png", "--drag", "514,84,0,-100", "--program", "3",
                       "--wheel", "400,200,-2", "--param", "Output=0.25", "--click=-1,32767", "--scale", "1.5"},
                      args)
          .ok());
  EXPECT_EQ(args.library, "lib.dll");
  EXPECT_EQ(args.png, "shot.png");
  EXPECT_EQ(args.state.program, "3");
  ASSERT_EQ(args.state.params.size(), 1u);
  EXPECT_EQ(args.state.params[0].key, "Output");
  ASSERT_EQ(args.gestures.size(), 4u);
  EXPECT_EQ(args.gestures[0].kind, EditorGesture::Click);
  EXPECT_EQ(args.gestures[0].x, 10);
  EXPECT_EQ(args.gestures[0].y, 20);
  EXPECT_EQ(args.gestures[1].kind, EditorGesture::Drag);
  EXPECT_EQ(args.gestures[1].x, 514);
  EXPECT_EQ(args.gestures[1].dx, 0);
  EXPECT_EQ(args.gestures[1].dy, -100);
  EXPECT_EQ(args.gestures[2].kind, EditorGesture::Wheel);
  EXPECT_EQ(args.gestures[2].notches, -2);
  EXPECT_EQ(args.gestures[3].x, -1);
  EXPECT_EQ(args.gestures[3].y, 32767);
  EXPECT_EQ(args.scale, 1.5);
  EditorArgs plain;
  ASSERT_TRUE(parseEditorArgs({"lib.dll", "--png", "a.png"}, plain).ok());
  EXPECT_EQ(plain.scale, 0.0) << "no factor is sent unless asked for";
}

TEST(EditorArguments, RejectMalformedGesturesAndAMissingPicture) {
  struct Case {
    std::vector<std::string> words;
    std::string expected;
  };
  const Case cases[] = {
      {{"lib.dll"}, "--png FILE"},
      {{"--png", "a.png"}, "exactly one LIBRARY"},
      {{"lib.dll", "--png", "a.png", "--drag", "1,2,3"}, "--drag expects X,Y,DX,DY"},
      {{"lib.dll", "--png", "a.png", "--drag", "1,2,3,4,5"}, "--drag expects X,Y,DX,DY"},
      {{"lib.dll", "--png", "a.png", "--click", "1,"}, "--click expects X,Y"},
      {{"lib.dll", "--png", "a.png", "--click", "1,,2"}, "--click expects X,Y"},
      {{"lib.dll", "--png", "a.png", "--click", "1.5,2"}, "--click expects X,Y"},
      {{"lib.dll", "--png", "a.png", "--click", "40000,2"}, "--click expects X,Y"},
      {{"lib.dll", "--png", "a.png", "--wheel", "1,2,0"}, "1 to 100 notches"},
      {{"lib.dll", "--png", "a.png", "--wheel", "1,2,101"}, "1 to 100 notches"},
      {{"lib.dll", "--png", "a.png", "--wheel"}, "needs a value"},
      {{"lib.dll", "--png", "a.png", "--key", "5"}, "unknown option --key"},
      {{"lib.dll", "--png", "a.png", "--scale", "0"}, "--scale expects a number from 0.1 to 8"},
      {{"lib.dll", "--png", "a.png", "--scale", "9"}, "--scale expects a number from 0.1 to 8"},
      {{"lib.dll", "--png", "a.png", "--scale", "two"}, "--scale expects a number"},
  };
  for (const auto& c : cases) {
    EditorArgs args;
    const ParseOutcome outcome = parseEditorArgs(c.words, args);
    EXPECT_NE(outcome.error.find(c.expected), std::string::npos)
        << "words ending in '" << c.words.back() << "' gave '" << outcome.error << "'";
  }
}

TEST(CommandLine, AnswersHelpForEveryCommandAndUsageErrorsWithExitCodeTwo) {
  for (const char* command : {"info", "render", "response", "bench", "validate", "editor"}) {
    std::ostringstream out, err;
    EXPECT_EQ(runCommandLine({command, "--help"}, out, err), kExitOk) << command;
    EXPECT_NE(out.str().find(std::string("usage: sorvane-host ") + command), std::string::npos) << command;
    EXPECT_TRUE(err.str().empty());
  }
  std::ostringstream out, err;
  EXPECT_EQ(runCommandLine({}, out, err), kExitUsage);
  EXPECT_EQ(runCommandLine({"mix", "x"}, out, err), kExitUsage);
  EXPECT_NE(err.str().find("unknown command 'mix'"), std::string::npos);

  std::ostringstream out2, err2;
  EXPECT_EQ(runCommandLine({"render", "lib.so"}, out2, err2), kExitUsage);
  // One line: what failed and why.
  EXPECT_EQ(err2.str(), "sorvane-host render: render needs LIBRARY [IN] OUT\n");
}

}  // namespace
}  // namespace sorvane::host
