#include "ovlib/ovfileuploadcommand.h"

#include "ovlib/overror.h"
#include "ovlib/ovexception.h"

#include <cstdio>
#include <memory>

namespace ovlib {

namespace {

std::string readHex(const std::string &path)
{
    std::unique_ptr<FILE, int (*)(FILE *)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        throw OvException(OV_ERR_NOTFOUND, "File not found.");
    }
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    unsigned char block[1024];
    for (;;) {
        const size_t got = std::fread(block, 1, sizeof block, file.get());
        for (size_t i = 0; i < got; ++i) {
            hex += digits[block[i] >> 4];
            hex += digits[block[i] & 0xF];
        }
        if (got < sizeof block) {
            if (std::ferror(file.get())) {
                throw OvException(OV_ERR_DONE, "File read failed.");
            }
            return hex;
        }
    }
}

} // namespace

OvFileUploadCommand::OvFileUploadCommand(std::string filePath, std::string secondText,
                                         bool originFlag, bool answerFlag)
    : OvCommand("uload", {}, originFlag, answerFlag, 1, 0)
    , m_filePath(std::move(filePath))
    , m_secondText(std::move(secondText))
{
    std::vector<std::string> parameters{"0000"};
    const std::string data = readHex(m_filePath);
    if (!data.empty()) {
        parameters.push_back(data);
    }
    setParameters(std::move(parameters));
}

} // namespace ovlib
