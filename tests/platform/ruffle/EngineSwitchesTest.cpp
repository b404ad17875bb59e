#include "platform/ruffle/EngineSwitches.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::EngineSwitches;
using platform::IsSoftwareRenderer;

// Our switches join the user's: theirs stay, a feature list of theirs is extended (the engine
// would take only the last of two), script-engine flags of theirs replace ours (two flags would
// need a space, at which the engine splits), and nothing is repeated.
struct SwitchesCase {
  const char* name;
  const char* user;
  const char* expected;
};

class EngineSwitchesTest : public testing::TestWithParam<SwitchesCase> {};

TEST_P(EngineSwitchesTest, AddsOursToTheUsers) {
  EXPECT_EQ(EngineSwitches(GetParam().user), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, EngineSwitchesTest,
    testing::Values(
        SwitchesCase{"None", "",
                     "--disable-features=AudioServiceOutOfProcess --no-unsandboxed-zygote "
                     "--js-flags=--wasm-lazy-compilation"},
        SwitchesCase{"OnlySpaces", "  \t ",
                     "--disable-features=AudioServiceOutOfProcess --no-unsandboxed-zygote "
                     "--js-flags=--wasm-lazy-compilation"},
        SwitchesCase{"OtherSwitchesKept", "--enable-logging  --v=1",
                     "--enable-logging --v=1 --disable-features=AudioServiceOutOfProcess "
                     "--no-unsandboxed-zygote --js-flags=--wasm-lazy-compilation"},
        SwitchesCase{"FeatureListExtended", "--disable-features=WebUSB --enable-features=X",
                     "--disable-features=WebUSB,AudioServiceOutOfProcess --enable-features=X "
                     "--no-unsandboxed-zygote --js-flags=--wasm-lazy-compilation"},
        SwitchesCase{"LastOfTwoListsExtended", "--disable-features=A --disable-features=B",
                     "--disable-features=A --disable-features=B,AudioServiceOutOfProcess "
                     "--no-unsandboxed-zygote --js-flags=--wasm-lazy-compilation"},
        SwitchesCase{"EmptyFeatureList", "--disable-features=",
                     "--disable-features=AudioServiceOutOfProcess --no-unsandboxed-zygote "
                     "--js-flags=--wasm-lazy-compilation"},
        SwitchesCase{"ZygoteSwitchNotRepeated", "--no-unsandboxed-zygote",
                     "--no-unsandboxed-zygote --disable-features=AudioServiceOutOfProcess "
                     "--js-flags=--wasm-lazy-compilation"},
        SwitchesCase{"UsersScriptFlagsReplaceOurs", "--js-flags=--max-lazy",
                     "--js-flags=--max-lazy --disable-features=AudioServiceOutOfProcess "
                     "--no-unsandboxed-zygote"}),
    [](const testing::TestParamInfo<SwitchesCase>& info) { return info.param.name; });

// Renderer strings as OpenGL reports them.
struct RendererCase {
  const char* name;
  const char* renderer;
  bool software;
};

class SoftwareRendererTest : public testing::TestWithParam<RendererCase> {};

TEST_P(SoftwareRendererTest, TellsCpuFromGpu) {
  EXPECT_EQ(IsSoftwareRenderer(GetParam().renderer), GetParam().software);
}

INSTANTIATE_TEST_SUITE_P(
    Renderers, SoftwareRendererTest,
    testing::Values(RendererCase{"Llvmpipe", "llvmpipe (LLVM 15.0.6, 256 bits)", true},
                    RendererCase{"ZinkOnLlvmpipe", "zink (llvmpipe (LLVM 15.0.6, 256 bits))", true},
                    RendererCase{"Softpipe", "softpipe", true},
                    RendererCase{"ClassicSoftware", "Software Rasterizer", true},
                    RendererCase{"NoContext", "", true},
                    RendererCase{"Intel", "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
                    RendererCase{"Amd", "AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)",
                                 false},
                    RendererCase{"Nvidia", "NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2", false},
                    RendererCase{"VirtualMachine", "SVGA3D; build: RELEASE;  LLVM;", false}),
    [](const testing::TestParamInfo<RendererCase>& info) { return info.param.name; });

}  // namespace
