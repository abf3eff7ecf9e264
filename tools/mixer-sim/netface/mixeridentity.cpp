#include "mixeridentity.h"

namespace velmora::sim {

std::string MixerIdentity::addressText() const
{
    return std::to_string(address[0]) + '.' + std::to_string(address[1]) + '.' +
           std::to_string(address[2]) + '.' + std::to_string(address[3]);
}

std::string MixerIdentity::location() const
{
    return "http://" + addressText() + ':' + std::to_string(httpPort) + DescriptionPath;
}

namespace {
// Names come from the configuration and may hold anything a person types.
std::string xmlText(const std::string &text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}
} // namespace

std::string descriptionDocument(const MixerIdentity &identity)
{
    // Two icon sizes, as the mixers offer them for lists and for the device page.
    return "<?xml version=\"1.0\"?>\r\n"
           "<root xmlns=\"urn:schemas-upnp-org:device-1-0\">\r\n"
           "<specVersion><major>1</major><minor>0</minor></specVersion>\r\n"
           "<device>\r\n"
           "<deviceType>" +
           std::string(DeviceType) +
           "</deviceType>\r\n"
           "<friendlyName>" +
           xmlText(identity.friendlyName) +
           "</friendlyName>\r\n"
           "<manufacturer>Korvath</manufacturer>\r\n"
           "<modelName>" +
           xmlText(identity.modelName) +
           "</modelName>\r\n"
           "<serialNumber>" +
           xmlText(identity.serial) +
           "</serialNumber>\r\n"
           "<UDN>" +
           xmlText(identity.udn) +
           "</UDN>\r\n"
           "<iconList>\r\n"
           "<icon><mimetype>image/png</mimetype><width>48</width><height>48</height>"
           "<depth>24</depth><url>/icon48.png</url></icon>\r\n"
           "<icon><mimetype>image/png</mimetype><width>120</width><height>120</height>"
           "<depth>24</depth><url>/icon120.png</url></icon>\r\n"
           "</iconList>\r\n"
           "<presentationURL>/</presentationURL>\r\n"
           "</device>\r\n"
           "</root>\r\n";
}

} // namespace velmora::sim
