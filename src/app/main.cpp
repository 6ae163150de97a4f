#include <cstdio>
#include <cstring>

#include "platform/BundleInfo.h"

int main(int argc, char** argv) {
    using touchlane::BundleInfo;
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("touchlane %s (build %s)\n", BundleInfo::shortVersion().c_str(), BundleInfo::buildNumber().c_str());
        return 0;
    }
    std::printf("%s %s: the agent is not assembled yet; run the test suite instead.\n", BundleInfo::name().c_str(),
                BundleInfo::shortVersion().c_str());
    return 0;
}
