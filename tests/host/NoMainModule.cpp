// A loadable module that lacks the "main" entry, for the host's error path.
#ifdef _WIN32
#define EXPORTED __declspec(dllexport)
#else
#define EXPORTED __attribute__((visibility("default")))
#endif

extern "C" EXPORTED int notTheEntry() {
    return 42;
}
