#ifndef PegasusClientTests_ExceptionMessage_h
#define PegasusClientTests_ExceptionMessage_h

#include <Pegasus/Common/Exception.h>

#include <gtest/gtest.h>

#include <string>

// The message of the ExceptionType that `action` raises; a failure of the
// test when it raises another exception or none.
template <typename ExceptionType, typename Action>
std::string messageOf(Action action)
{
    try
    {
        action();
    }
    catch (const ExceptionType& e)
    {
        return std::string(e.getMessage().getCString());
    }
    catch (const Pegasus::Exception& e)
    {
        ADD_FAILURE() << "other exception: " << e.getMessage().getCString();
        return {};
    }
    ADD_FAILURE() << "no exception";
    return {};
}

#endif
