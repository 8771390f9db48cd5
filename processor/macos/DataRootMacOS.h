#pragma once
#include "DataFolder.h"

// The data folder on macOS.
//
// Root: the users folder as the file manager answers it (the first of its
// user-folder URLs), with a trailing slash, such as "/Users/"; "" when the
// manager answers none or its URL holds no "/Users". The maker folder is
// "<root>Shared/Harlox", so without a root every data path is relative.
namespace datafiles
{

// [any thread]
const DataRootRule& macOSDataRootRule();

} // namespace datafiles
