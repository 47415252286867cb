#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <vector>

// Another program holding a file open, as the reminder (reading) or another
// writer would. Each platform lists the ways a program can hold a file there
// and whether the settings store can still read it meanwhile.
class OtherProgram
{
public:
    struct Hold
    {
        const char* name;
        int how;        // the platform's own: a lock type, a sharing mode
        bool readWorks; // the store can read the file while it is held
        bool saveWorks; // a save can replace the file while it is held
    };
    static std::vector<Hold> Holds();
    // The reminder reading the file for a moment.
    static Hold Reminder();
    // Another program writing it: nobody else can read or replace it.
    static Hold Writer();

    OtherProgram(const std::filesystem::path& file, const Hold& hold);
    ~OtherProgram();
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    bool Holding() const;
    void Release();

private:
    struct Handle;
    friend void PrintTo(const Hold& hold, std::ostream* os) { *os << hold.name; }
    std::unique_ptr<Handle> handle_;
};
