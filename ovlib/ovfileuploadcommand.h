#pragma once

#include "ovlib/ovcommand.h"

namespace ovlib {

// "uload" whose data come from a file: parameters are "0000" and the file's bytes as
// upper-case hex, so the frames stay printable and free of the end character.
class OvFileUploadCommand : public OvCommand
{
public:
    // Reads the whole file at once; throws OvException when it cannot be opened or read.
    OvFileUploadCommand(std::string filePath, std::string secondText, bool originFlag = false,
                        bool answerFlag = false);

    const std::string &filePath() const { return m_filePath; }
    const std::string &secondText() const { return m_secondText; }

private:
    std::string m_filePath;
    std::string m_secondText;
};

} // namespace ovlib
