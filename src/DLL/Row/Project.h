// IZVProject: the host's current project, as the rows see it.
#pragma once

class TMediaFormat;
class TZVStreamRow;

class IZVProject {
public:
    // The root stream row of the project's row tree, or null while there is none.
    virtual TZVStreamRow* GetRootRow() const = 0;
    // The project's format (frame rate).
    virtual const TMediaFormat& GetMediaFormat() const = 0;

    // Installed by the host before any row asks for it; used without a test for null.
    static IZVProject* theCurrentProject;

protected:
    // The host owns its project; it is not deleted through this interface.
    virtual ~IZVProject();
};
