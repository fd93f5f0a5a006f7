// Runs a fuzz target once over every file of a corpus folder, plus a few fixed inputs, so
// that a build without libFuzzer still exercises the target. A missing or empty corpus
// fails. The inputs run in a child process whose working and temporary folder is a
// scratch folder of its own, as `nobody` when this runs as root, so that guest code
// that writes host files writes them there and can harm nothing of anyone's.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/prctl.h>
#include <vector>

#include "tests/platform/child.h"
#include "tests/platform/ordinary_user.h"
#include "tests/platform/temp_dir.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
constexpr int kSkipped = 77; // the test's SKIP_RETURN_CODE
}

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<Bytes> inputs = {{}, {0}, Bytes(4096, 0xFF)};
    std::error_code ec;
    if (argc > 1)
        for (fs::recursive_directory_iterator it(argv[1], ec), end; !ec && it != end; it.increment(ec))
            if (it->is_regular_file()) inputs.push_back(ReadFile(it->path()));
    const size_t files = inputs.size() - 3;
    if (argc < 2 || ec || files == 0) {
        std::fprintf(stderr, "fuzz smoke: no corpus files in %s\n", argc > 1 ? argv[1] : "(none given)");
        return 1;
    }
    const TempDir scratch("fuzz");
    if (const std::string why = WhyNotAsOrdinaryUser(scratch.Path()); !why.empty()) {
        std::printf("fuzz smoke skipped: %s\n", why.c_str());
        return kSkipped;
    }
    if (!GiveToOrdinaryUser(scratch.Path())) return 1;
    Child child;
    const bool started = child.Start([&] {
        // Dumpable again after the change of user, for the leak checker of a sanitized build.
        if (!BecomeOrdinaryUser() || ::prctl(PR_SET_DUMPABLE, 1) != 0 ||
            ::chdir(scratch.Path().c_str()) != 0 || ::setenv("TMPDIR", scratch.Path().c_str(), 1) != 0)
            return 126;
        for (const Bytes& in : inputs)
            LLVMFuzzerTestOneInput(in.data(), in.size());
        std::exit(0); // with the checks a sanitized build makes at exit
    });
    if (!started || !child.Wait(600)) {
        std::fprintf(stderr, "fuzz smoke: the inputs could not run, or did not end\n");
        return 1;
    }
    std::printf("fuzz smoke: %zu inputs (%zu corpus files), wait status %d\n", inputs.size(), files,
                child.Status());
    return child.ExitCode() == 0 ? 0 : 1;
}
