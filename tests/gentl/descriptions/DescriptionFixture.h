// The four served descriptions with what the branding reports about them,
// parsed once for the tests.
#pragma once

#include "MiniXml.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct ServedDescription {
    std::string label;      // module word of the file name
    std::string text;       // as the branding serves it
    std::string fileName;
    std::vector<std::uint8_t> sha1;
    XmlNode root;
    std::map<std::string, const XmlNode*> nodes; // every named node but enum entries
    std::vector<std::string> duplicateNames;
};

// System, Interface, Localdevice, Datastream, in this order.
const std::vector<ServedDescription>& ServedDescriptions();
const ServedDescription& Served(const std::string& label);

bool XmllintAvailable();
