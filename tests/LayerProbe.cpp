// One source, compiled as a member of a layer with LAYER_PROBE_HEADER naming a header: the
// headers of the layer and of those below it compile, those of the layers above are not found.
#include LAYER_PROBE_HEADER

int LayerProbe()
{
    return 0;
}
