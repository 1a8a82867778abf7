#pragma once

#include <string>

namespace coredata_test {

// The model of the settings application's store, as its bundle carries it.
inline const std::string kItemModel = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>entities</key><array><dict>
    <key>name</key><string>Item</string>
    <key>attributes</key><array><dict>
      <key>name</key><string>timestamp</string><key>type</key><string>date</string><key>optional</key><true/>
    </dict></array>
  </dict></array>
</dict></plist>)";

}  // namespace coredata_test
