#include "ovlib/ovcommand.h"

namespace ovlib {

OvCommand::OvCommand(std::string name, std::vector<std::string> parameters, bool originFlag,
                     bool answerFlag, uint32_t fourDigitField, uint32_t twoDigitField)
    : m_name(std::move(name))
    , m_parameters(std::move(parameters))
    , m_originFlag(originFlag)
    , m_answerFlag(answerFlag)
    , m_fourDigitField(fourDigitField)
    , m_twoDigitField(twoDigitField)
{
}

} // namespace ovlib
