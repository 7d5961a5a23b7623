// A self-registering library for tests: each entry point appends a line ("register" or
// "unregister" and the library's own path) to the file named by TOVEL_TESTSERVER_LOG,
// and fails when TOVEL_TESTSERVER_FAIL is set.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

namespace {

int32_t Record(const char* what)
{
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&Record), &info);
    if (const char* log = std::getenv("TOVEL_TESTSERVER_LOG")) {
        if (FILE* f = std::fopen(log, "a")) {
            std::fprintf(f, "%s %s\n", what, info.dli_fname ? info.dli_fname : "?");
            std::fclose(f);
        }
    }
    return std::getenv("TOVEL_TESTSERVER_FAIL") ? int32_t(0x80004005) : 0;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int32_t DllRegisterServer()
{
    return Record("register");
}

extern "C" __attribute__((visibility("default"))) int32_t DllUnregisterServer()
{
    return Record("unregister");
}
