#version 330 core
// One Gaussian pyramid step: a 5 x 5 binomial blur of the finer level,
// sampled at every second pixel (mirrored at the edges).
out vec4 fragColor;

uniform sampler2D source;

int mirrored(int i, int n)
{
    // GLSL leaves % of a negative number undefined: fold first.
    int period = 2 * n;
    int m = (i < 0 ? -i - 1 : i) % period;
    return m < n ? m : period - 1 - m;
}

void main()
{
    const float w[5] = float[5](1.0, 4.0, 6.0, 4.0, 1.0);
    ivec2 size = textureSize(source, 0);
    ivec2 centre = 2 * ivec2(gl_FragCoord.xy);
    vec4 sum = vec4(0.0);
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            sum += w[dx + 2] * w[dy + 2]
                * texelFetch(source, ivec2(mirrored(centre.x + dx, size.x), mirrored(centre.y + dy, size.y)), 0);
    fragColor = sum / 256.0;
}
