#include "ovlib/descriptionparser.h"

#include <cstring>
#include <pugixml.hpp>
#include <strings.h>

namespace ovlib::internal {

namespace {

constexpr unsigned ParseOptions = pugi::parse_default & ~pugi::parse_eol;

bool sameName(const char *a, const char *b)
{
    return strcasecmp(a, b) == 0;
}

// The local name: descriptions may use a namespace prefix.
const char *localName(const pugi::xml_node &node)
{
    const char *name = node.name();
    const char *colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

pugi::xml_node child(const pugi::xml_node &parent, const char *name)
{
    for (pugi::xml_node node : parent.children()) {
        if (node.type() == pugi::node_element && sameName(localName(node), name)) {
            return node;
        }
    }
    return pugi::xml_node();
}

// Pretty-printed documents wrap values in blanks and line ends; they are never part of a value.
std::string text(const pugi::xml_node &parent, const char *name)
{
    const std::string value = child(parent, name).child_value();
    const char *blanks = " \t\r\n";
    const size_t first = value.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    return value.substr(first, value.find_last_not_of(blanks) - first + 1);
}

bool number(const pugi::xml_node &icon, const char *name, int32_t &out)
{
    const std::string value = text(icon, name);
    if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != value.npos) {
        return false;
    }
    out = std::stoi(value);
    return true;
}

bool parseIcon(const pugi::xml_node &node, DeviceIcon &icon)
{
    DeviceIcon parsed;
    if (!number(node, "width", parsed.width) || !number(node, "height", parsed.height) ||
        !number(node, "depth", parsed.depth)) {
        return false;
    }
    parsed.url = text(node, "url");
    if (parsed.url.empty()) {
        return false;
    }
    icon = parsed;
    return true;
}

pugi::xml_node findIconList(const pugi::xml_node &root)
{
    return root.find_node([](const pugi::xml_node &node) {
        return node.type() == pugi::node_element && sameName(localName(node), "iconList");
    });
}

void readIcons(const pugi::xml_node &list, std::array<DeviceIcon, 4> &icons)
{
    size_t stored = 0;
    for (pugi::xml_node node : list.children()) {
        if (node.type() != pugi::node_element) {
            continue;
        }
        if (stored == icons.size()) {
            continue;
        }
        if (!sameName(localName(node), "icon") || !parseIcon(node, icons[stored])) {
            return;
        }
        ++stored;
    }
}

} // namespace

std::optional<DeviceDescription> parseDescription(const char *data, size_t size)
{
    pugi::xml_document doc;
    if (!doc.load_buffer(data, size, ParseOptions)) {
        return std::nullopt;
    }
    const pugi::xml_node device = child(child(doc, "root"), "device");
    if (!device) {
        return std::nullopt;
    }
    DeviceDescription description;
    description.friendlyName = text(device, "friendlyName");
    description.manufacturer = text(device, "manufacturer");
    description.modelName = text(device, "modelName");
    description.serialNumber = text(device, "serialNumber");
    description.deviceType = text(device, "deviceType");
    description.udn = text(device, "UDN");
    readIcons(findIconList(doc), description.icons);
    return description;
}

std::string hostFromUrl(const std::string &url)
{
    const size_t scheme = url.find("://");
    const std::string rest = scheme == std::string::npos ? url : url.substr(scheme + 3);
    return rest.substr(0, rest.find_first_of(":/"));
}

} // namespace ovlib::internal
