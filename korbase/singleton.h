#pragma once

// One lazily built, process-wide instance of T (thread-safe construction).
template <typename T>
class Singleton
{
public:
    static T& Instance()
    {
        static T instance;
        return instance;
    }
};
