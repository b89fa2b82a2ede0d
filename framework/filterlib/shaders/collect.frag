#version 330 core
// Adds up the bands of one bin's cells into the bin's block of the grid.
out vec4 fragColor;

uniform sampler2D partial; // bandCount blocks of cellsX cells side by side
uniform int cellsX;
uniform int bandCount;
uniform int blockX; // where the bin's block starts in the grid

void main()
{
    ivec2 cell = ivec2(int(gl_FragCoord.x) - blockX, int(gl_FragCoord.y));
    vec4 sum = vec4(0.0);
    for (int band = 0; band < bandCount; ++band)
        sum += texelFetch(partial, ivec2(band * cellsX + cell.x, cell.y), 0);
    fragColor = sum;
}
