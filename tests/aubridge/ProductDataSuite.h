// A suite over the product module: its data root is a temporary folder, filled
// once per suite by the data-folder builder when it and its listener set are
// present (haveData tells).
#pragma once

#include <gtest/gtest.h>
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
    const std::string root = *data / "root";
    std::filesystem::create_directories(root);
#ifdef QUILLATONE_DATABUILDER
    struct stat st;
    if (stat("/usr/share/libmysofa/MIT_KEMAR_normal_pinna.sofa", &st) == 0) {
      const std::string command = std::string(QUILLATONE_DATABUILDER) + " '" + root + "' --quiet";
      haveData = std::system(command.c_str()) == 0;
    }
#endif
    setenv("QUILLATONE_DATA_ROOT", root.c_str(), 1);
  }
  static void TearDownTestSuite() {
    delete data;
    data = nullptr;
  }

  static inline TempFolder* data = nullptr;
  static inline bool haveData = false;
};

}  // namespace bridgetest
