#version 150
// Lights the painting with the relief of the canvas height map (red).
in vec2 uv;
in vec2 ql, qr, qu, qb, qul, qur, qbl, qbr;
out vec4 fragColor;
uniform sampler2D tex_img;
uniform sampler2D tex_tex;
uniform vec2 lightdir;
uniform float texStength;

void main()
{
    vec4 c = texture(tex_img, uv);
    float l = texture(tex_tex, ql).r, r = texture(tex_tex, qr).r;
    float u = texture(tex_tex, qu).r, b = texture(tex_tex, qb).r;
    float ul = texture(tex_tex, qul).r, ur = texture(tex_tex, qur).r;
    float bl = texture(tex_tex, qbl).r, br = texture(tex_tex, qbr).r;
    float gx = (ul - ur + 2.0 * (l - r) + bl - br) * texStength;
    float gy = (ul - bl + 2.0 * (u - b) + ur - br) * texStength;
    // Steeper than the unit sphere allows: the normal lies flat.
    float gz = 0.5 * sqrt(max(1.0 - gx * gx - gy * gy, 0.0));
    vec3 normal = normalize(vec3(2.0 * gx, 2.0 * gy, gz));
    float lighting = max(dot(normal, vec3(lightdir, 1.0)), 0.0);
    fragColor = vec4(c.rgb * lighting, c.a);
}
