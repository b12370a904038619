#pragma once

// The coordinate spaces in which a transform or shape can be asked for values.
class MSpace {
public:
    enum Space {
        kInvalid,
        kTransform,
        kPreTransform,
        kPostTransform,
        kWorld,
        kObject = kPreTransform,
        kLast
    };
};
