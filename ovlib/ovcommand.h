#pragma once

#include "ovlib/command.h"

#include <string>
#include <vector>

namespace ovlib {

class OvCommand : public Command
{
public:
    OvCommand() = default;
    OvCommand(std::string name, std::vector<std::string> parameters, bool originFlag,
              bool answerFlag, uint32_t fourDigitField = 0, uint32_t twoDigitField = 0);

    const std::string &name() const { return m_name; }
    const std::vector<std::string> &parameters() const { return m_parameters; }
    bool originFlag() const { return m_originFlag; }
    bool answerFlag() const { return m_answerFlag; }
    uint32_t fourDigitField() const { return m_fourDigitField; }
    uint32_t twoDigitField() const { return m_twoDigitField; }

protected:
    void setParameters(std::vector<std::string> parameters)
    {
        m_parameters = std::move(parameters);
    }

private:
    std::string m_name;
    std::vector<std::string> m_parameters;
    bool m_originFlag = false;
    bool m_answerFlag = false;
    uint32_t m_fourDigitField = 0;
    uint32_t m_twoDigitField = 0;
};

} // namespace ovlib
