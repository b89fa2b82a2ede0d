#version 330 core
// A [1 4 6 4 1] / 16 blur of the grid along one of its three axes; the
// range axis steps from bin to bin across the atlas.
in vec2 vUV;
out vec4 fragColor;

uniform sampler2D grid;
uniform ivec2 step;    // (1, 0), (0, 1), or (cellsX, 0) for the range axis
uniform int cellsX;
uniform int bins;

void main()
{
    ivec2 texel = ivec2(gl_FragCoord.xy);
    ivec2 size = textureSize(grid, 0);
    int bin = texel.x / cellsX;
    int column = texel.x - bin * cellsX;
    const float weights[5] = float[5](1.0, 4.0, 6.0, 4.0, 1.0);
    vec4 sum = vec4(0.0);
    for (int i = -2; i <= 2; ++i) {
        ivec2 p = texel + i * step;
        // Stay inside this bin's block for the spatial axes, inside the
        // atlas for the range axis; outside the grid holds nothing.
        bool inside = p.y >= 0 && p.y < size.y && p.x >= 0 && p.x < size.x;
        if (step.x == 1)
            inside = inside && column + i >= 0 && column + i < cellsX;
        if (inside)
            sum += weights[i + 2] * texelFetch(grid, p, 0);
    }
    fragColor = sum / 16.0;
}
