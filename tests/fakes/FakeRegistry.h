#pragma once
// A local machine registry holding the values a test puts in, answering with
// the Win32 error codes. Keys are opened by their path below the root; the
// open handles and the closes are counted.
#include "platform/Registry.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

class FakeRegistry : public platform::Registry {
public:
    struct Value {
        std::uint32_t type;
        std::vector<unsigned char> data;
    };

    void setText(const std::string& key, const std::string& name, const std::string& text) {
        std::vector<unsigned char> data(text.begin(), text.end());
        data.push_back(0); // stored with its terminating zero
        values[{key, name}] = {platform::kRegSz, data};
    }

    long OpenKey(platform::RegKey root, const std::string& subKey, std::uint32_t, std::uint32_t,
                 platform::RegKey* result) override {
        const bool known = std::any_of(values.begin(), values.end(), [&](const auto& entry) {
            return entry.first.first == subKey;
        });
        if (root != platform::kHKeyLocalMachine || !known)
            return platform::kErrorFileNotFound;
        keys.push_back(subKey);
        *result = keys.size(); // handles start at 1
        return platform::kErrorSuccess;
    }

    long QueryValue(platform::RegKey key, const std::string& valueName, std::uint32_t* type,
                    unsigned char* data, std::uint32_t* size) override {
        if (key == 0 || key > keys.size())
            return platform::kErrorInvalidHandle;
        const auto found = values.find({keys[key - 1], valueName});
        if (found == values.end())
            return platform::kErrorFileNotFound;
        const Value& value = found->second;
        if (value.data.size() > *size)
            return platform::kErrorMoreData;
        *type = value.type;
        std::memcpy(data, value.data.data(), value.data.size());
        *size = static_cast<std::uint32_t>(value.data.size());
        return platform::kErrorSuccess;
    }

    long CloseKey(platform::RegKey) override {
        ++closes;
        return platform::kErrorSuccess;
    }

    std::map<std::pair<std::string, std::string>, Value> values; // (key path, value name)
    std::vector<std::string> keys;                               // opened, by handle - 1
    int closes = 0;
};
