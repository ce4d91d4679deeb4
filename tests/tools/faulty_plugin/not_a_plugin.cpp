// A loadable library without a VST 2.4 entry point.
#if defined(_WIN32)
extern "C" __declspec(dllexport) int sorvaneNotAPlugin() { return 42; }
#else
extern "C" __attribute__((visibility("default"))) int sorvaneNotAPlugin() { return 42; }
#endif
