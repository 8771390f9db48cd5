// A suite over the product module: its data folder lies in a temporary users
// folder's "Shared" folder, where both the Linux module (through its data root)
// and the product's bundle (through the stand-in's users folder) find it; the
// data-folder builder fills it once per suite when it and its listener set are
// present (haveData tells).
#pragma once

#include <gtest/gtest.h>
#include <symac/TestHooks.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "BridgeTestSupport.h"

namespace bridgetest {

class ProductDataSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    data = new TempFolder();
    users = *data / "Users";
    const std::string root = users + "/Shared";
    std::filesystem::create_directories(root);
#ifdef QUILLATONE_DATABUILDER
    struct stat st;
    if (stat("/usr/share/libmysofa/MIT_KEMAR_normal_pinna.sofa", &st) == 0) {
      const std::string command = std::string(QUILLATONE_DATABUILDER) + " '" + root + "' --quiet";
      haveData = std::system(command.c_str()) == 0;
    }
#endif
    setenv("QUILLATONE_DATA_ROOT", root.c_str(), 1);
    symac_test_setUserFolder(users.c_str());
  }
  static void TearDownTestSuite() {
    symac_test_setUserFolder("/Users");
    delete data;
    data = nullptr;
  }

  static inline TempFolder* data = nullptr;
  static inline bool haveData = false;
  static inline std::string users;
};

}  // namespace bridgetest
